// The VCL classes with a Caption and how Delphi 3 sizes them.
#include "checks/control_classes.h"

#include "formmodel/form_model.h"
#include "platform/same_text.h"

namespace kst {

namespace {

struct TClassSizing {
  std::string_view className;
  TCaptionSizing sizing;
};

// Delphi 3's defaults. AutoSizeByDefault: the class publishes AutoSize with
// the default True (a form's AutoSize = False makes it fixed). Fixed: the
// class has no AutoSize, or its default is False, so the control's Width
// set in the form is what the caption gets.
constexpr TClassSizing kClasses[] = {
    {"TLabel", TCaptionSizing::AutoSizeByDefault},
    {"TStaticText", TCaptionSizing::AutoSizeByDefault},
    {"TDBText", TCaptionSizing::Fixed},
    {"TButton", TCaptionSizing::Fixed},
    {"TBitBtn", TCaptionSizing::Fixed},
    {"TSpeedButton", TCaptionSizing::Fixed},
    {"TCheckBox", TCaptionSizing::Fixed},
    {"TRadioButton", TCaptionSizing::Fixed},
    {"TDBCheckBox", TCaptionSizing::Fixed},
    {"TGroupBox", TCaptionSizing::Fixed},
    {"TRadioGroup", TCaptionSizing::Fixed},
    {"TDBRadioGroup", TCaptionSizing::Fixed},
    {"TPanel", TCaptionSizing::Fixed},
};

}  // namespace

TCaptionSizing ClassCaptionSizing(std::string_view className) {
  for (const TClassSizing& c : kClasses)
    if (SameText(c.className, className)) return c.sizing;
  return TCaptionSizing::Unknown;
}

bool HasFixedCaptionSize(const TComponentHelper& component) {
  TCaptionSizing sizing = ClassCaptionSizing(component.ClassName);
  if (sizing == TCaptionSizing::Unknown) return false;
  if (const TCHPropertyItem* autoSize = component.FindPropertyItem("AutoSize"))
    return SameText(autoSize->OriginalValue, "False");
  return sizing == TCaptionSizing::Fixed;
}

}  // namespace kst
