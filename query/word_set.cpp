#include "query/word_set.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "query/text_routines.h"

namespace quillon {

namespace {

constexpr std::uint64_t kOnes = 0x0101010101010101;

// 'a'..'z' to 'A'..'Z' in each of eight bytes at once; other bytes, those above 127 too, stay.
std::uint64_t UpperAscii(std::uint64_t bytes) {
  const std::uint64_t low7 = bytes & (kOnes * 0x7F);
  const std::uint64_t fromA = low7 + kOnes * (0x80 - 'a');      // top bit: at least 'a'
  const std::uint64_t pastZ = low7 + kOnes * (0x80 - 'z' - 1);  // top bit: past 'z'
  const std::uint64_t lower = fromA & ~pastZ & ~bytes & (kOnes * 0x80);
  return bytes ^ (lower >> 2);
}

}  // namespace

WordSet::WordSet(std::initializer_list<std::string_view> words) : match_(WordCase::Exact) {
  for (const std::string_view word : words) {
    Add(word);
  }
}

std::size_t WordSet::Hash(std::string_view word) const {
  // Eight bytes at a time, each mixed in by a multiply; the length keeps "A" apart from "A\0".
  const auto mix = [this](std::uint64_t hash, std::uint64_t chunk) {
    if (match_ == WordCase::IgnoreAscii) {
      chunk = UpperAscii(chunk);
    }
    hash = (hash ^ chunk) * 0xFF51AFD7ED558CCD;
    return hash ^ (hash >> 32);
  };
  std::uint64_t hash = word.size() * 0x9E3779B97F4A7C15;
  std::size_t at = 0;
  for (; at + 8 <= word.size(); at += 8) {
    std::uint64_t chunk;
    std::memcpy(&chunk, word.data() + at, 8);
    hash = mix(hash, chunk);
  }
  if (at < word.size()) {
    // The last eight bytes, over some already mixed, when the word has eight.
    std::uint64_t chunk = 0;
    if (word.size() >= 8) {
      std::memcpy(&chunk, word.data() + word.size() - 8, 8);
    } else {
      for (std::size_t i = at; i < word.size(); ++i) {
        chunk |= std::uint64_t{static_cast<unsigned char>(word[i])} << (8 * (i - at));
      }
    }
    hash = mix(hash, chunk);
  }
  return static_cast<std::size_t>(hash);
}

bool WordSet::Same(std::string_view held, std::string_view word) const {
  if (held.size() != word.size()) {
    return false;
  }
  if (match_ == WordCase::Exact) {
    return held == word;
  }
  for (std::size_t i = 0; i < word.size(); ++i) {
    if (UpperAscii(held[i]) != UpperAscii(word[i])) {
      return false;
    }
  }
  return true;
}

bool WordSet::Contains(std::string_view word) const {
  if (slots_.empty()) {
    return false;
  }
  const std::size_t mask = slots_.size() - 1;
  const auto hash = static_cast<std::uint32_t>(Hash(word));
  for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
    const std::uint32_t slot = slots_[at];
    if (slot == 0) {
      return false;
    }
    if (hashes_[slot - 1] == hash && Same(Word(slot - 1), word)) {
      return true;
    }
  }
}

void WordSet::Grow(std::size_t words) {
  // At most half full, so that a word not held ends its probe soon.
  std::size_t size = slots_.empty() ? 64 : slots_.size() * 2;
  while (size < words * 2) {
    size *= 2;
  }
  std::vector<std::uint32_t> slots(size, 0);
  const std::size_t mask = slots.size() - 1;
  for (const std::uint32_t slot : slots_) {
    if (slot != 0) {
      std::size_t at = hashes_[slot - 1] & mask;
      while (slots[at] != 0) {
        at = (at + 1) & mask;
      }
      slots[at] = slot;
    }
  }
  slots_ = std::move(slots);
}

void WordSet::Reserve(std::size_t words, std::size_t bytes) {
  text_.reserve(text_.size() + bytes);
  ends_.reserve(ends_.size() + words);
  hashes_.reserve(hashes_.size() + words);
  if ((distinct_ + words) * 2 > slots_.size()) {
    Grow(distinct_ + words);
  }
}

void WordSet::Add(std::string_view word) {
  const auto hash = static_cast<std::uint32_t>(Hash(word));
  text_.append(word);
  ends_.push_back(static_cast<std::uint32_t>(text_.size()));
  hashes_.push_back(hash);
  if ((distinct_ + 1) * 2 > slots_.size()) {
    Grow();
  }
  const std::size_t mask = slots_.size() - 1;
  std::size_t at = hash & mask;
  while (slots_[at] != 0) {
    if (hashes_[slots_[at] - 1] == hash && Same(Word(slots_[at] - 1), word)) {
      return;
    }
    at = (at + 1) & mask;
  }
  slots_[at] = static_cast<std::uint32_t>(ends_.size());
  ++distinct_;
}

}  // namespace quillon
