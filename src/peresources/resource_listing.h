// A module's resource tree as plain text, one line per leaf in directory
// order with the strings of string blocks and the values of version resources
// beneath: the line format the independent resource dumpers print, so that
// our reading can be compared with theirs line by line. Output is UTF-8.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kst {

class TExefile;

// Every leaf at the third level (type, name, language), in directory order.
std::string ListResources(const TExefile& module);

// A text in double quotes, with \\ \" \n \r \t \0, \xNN for other control
// characters and \uNNNN for unpaired surrogates.
std::string QuoteForListing(std::u16string_view text);
// UTF-8, unpaired surrogates written as \uNNNN.
std::string Utf16ToListingUtf8(std::u16string_view text);

// "STR id "text"" lines of a string block (block number = resource name),
// then "STR warn" lines for a block that is cut short or has bytes left over.
std::vector<std::string> StringBlockLines(bool nameIsString, std::u16string_view name, int64_t nameId,
                                          std::span<const uint8_t> data);

// "VER" lines of a version resource: the fixed file information, then one
// line per value in file order, then "VER warn" lines.
std::vector<std::string> VersionLines(std::span<const uint8_t> data);

}  // namespace kst
