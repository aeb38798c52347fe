// The module's interface as the page's worker calls it: open, answer, searchNames and
// searchText on the module itself, and new Scan(). open(bytes, lang) takes the database's
// bytes, a Uint8Array the caller no longer uses. One core per module holds the database
// opened last; a scan keeps the one it began with.
var quillonCore = null;

function quillonCoreOf() {
  if (quillonCore === null) {
    quillonCore = new Module['QuillonCore']();
  }
  return quillonCore;
}

// Each database a file of its own, since a scan may still read the one before. The file takes
// the array as it is (the caller gives it up): it is neither copied nor zeroed first.
var quillonDatabases = 0;
Module['open'] = function (bytes, lang) {
  var path = '/defines-' + (++quillonDatabases) + '.db3';
  try {
    FS.writeFile(path, bytes, { canOwn: true });
  } catch (error) {
    return 'cannot keep the database in memory';
  }
  return quillonCoreOf().open(path, lang);
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
