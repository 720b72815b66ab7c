// Helpers of the form model tests: comparing the values of two streams or
// two trees (the corpus's forms: FindCorpusForms in support/test_support.h).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "formmodel/form_model.h"

namespace kst::test {

// The first difference between the values of two component streams, read
// by a decoder of this file (not the converter under test), or "" when they
// hold the same values; the same for two trees. Numbers compare by value (an
// integral float equals the integer) at the 15 significant digits form text
// keeps, whatever their width; vaString and vaLString are both strings.
// Single, currency and date values differ from an Extended of the same
// number, and wide and UTF-8 strings from 8-bit ones, unless `floatWidths` is
// false (for a converter that keeps neither: strings then compare by their characters).
std::string CompareStreams(std::string_view a, std::string_view b, bool floatWidths = true);
std::string CompareTrees(const TComponentHelper& a, const TComponentHelper& b);

std::string ToHex(std::string_view bytes);

}  // namespace kst::test
