// A set of words held in one block of text, asked by view: no string is made per word held or
// per word asked. The definitions' names, read once for a run that tests every word of a log.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace quillon {

enum class WordCase { Exact, IgnoreAscii };

class WordSet {
 public:
  WordSet() = default;
  explicit WordSet(WordCase match) : match_(match) {}
  WordSet(std::initializer_list<std::string_view> words);

  // Keeps word as it is written; a word the set holds already is kept again in Words' list
  // (under IgnoreAscii, "Foo" beside "FOO"), but asked once.
  // word must not be a view of this set's own text.
  void Add(std::string_view word);
  // Room made at once for words more words, of bytes bytes in all.
  void Reserve(std::size_t words, std::size_t bytes);
  bool Contains(std::string_view word) const;
  // The words in the order added, repeats included.
  std::size_t WordCount() const { return ends_.size(); }
  // The bytes of all the words.
  std::size_t TextSize() const { return text_.size(); }
  std::string_view Word(std::size_t i) const {
    const std::uint32_t start = i == 0 ? 0 : ends_[i - 1];
    return std::string_view(text_).substr(start, ends_[i] - start);
  }

 private:
  std::size_t Hash(std::string_view word) const;
  bool Same(std::string_view held, std::string_view word) const;
  // Twice the slots, or slots for at least words.
  void Grow(std::size_t words = 0);

  WordCase match_ = WordCase::Exact;
  std::string text_;                   // the words one after another
  std::vector<std::uint32_t> ends_;    // where each word of text_ ends
  std::vector<std::uint32_t> hashes_;  // each word's Hash
  std::vector<std::uint32_t> slots_;   // open addressing: a word's index + 1, 0 when free
  std::size_t distinct_ = 0;
};

}  // namespace quillon
