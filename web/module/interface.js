// The module's interface as the page's worker calls it: open, answer, searchNames and
// searchText on the module itself, and new Scan(). One core per module holds the database
// opened last; a scan keeps the one it began with.
var quillonCore = null;

function quillonCoreOf() {
  if (quillonCore === null) {
    quillonCore = new Module['QuillonCore']();
  }
  return quillonCore;
}

Module['open'] = function (bytes, lang) {
  return quillonCoreOf().open(bytes, lang);
};
Module['answer'] = function (input) {
  return quillonCoreOf().answer(input);
};
Module['searchNames'] = function (part) {
  return quillonCoreOf().searchNames(part);
};
Module['searchText'] = function (text) {
  return quillonCoreOf().searchText(text);
};
// Called with new: the object returned is the bound scan, freed by its delete().
Module['Scan'] = function () {
  return new Module['QuillonScan'](quillonCoreOf());
};
