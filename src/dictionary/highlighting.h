// TdatHighLighting: whether a property path is one the grids show
// highlighted, by the rules of HiLight.db ("?.Caption" matches any class).
#pragma once

#include <string>
#include <string_view>

#include "platform/database.h"

namespace kst {

class TdatCommon;

class TdatHighLighting {
public:
  // Works on common's connection; common must outlive this object.
  explicit TdatHighLighting(TdatCommon& common);

  // True when a rule matches the normalised path, without regard to case.
  // Called per grid row with "Class.Property.Path" or a path as it stands.
  bool IsHighlighted(std::string_view path);

  // Drops every bracketed index ("[2]") and then every "..": a grid column
  // path TDBGrid.Columns[2].Title.Caption becomes TDBGrid.Columns.Title.Caption.
  // A "[" without a "]" after it is kept as an ordinary character.
  static std::string NormalisePath(std::string_view path);
  // Whether one rule matches an already normalised path.
  static bool RuleMatches(std::string_view rule, std::string_view normalisedPath);

private:
  TDatabase& db_;
  TStatement rules_;
};

}  // namespace kst
