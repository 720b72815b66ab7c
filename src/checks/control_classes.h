// Which controls keep their size whatever their caption says: the one table
// of the VCL classes whose captions the length check looks at.
#pragma once

#include <string_view>

namespace kst {

class TComponentHelper;

// True when the component's Caption is drawn in a box of fixed size: its
// AutoSize is False, or it has none and its class's default is False (or
// the class has no AutoSize). False for every class the table does not
// know (a descendant of our own, a third-party control), and for classes
// that size to their caption (menu items, tab sheets, forms).
bool HasFixedCaptionSize(const TComponentHelper& component);

// The class default alone; nothing for a class the table does not know.
enum class TCaptionSizing { Unknown, Fixed, AutoSizeByDefault };
TCaptionSizing ClassCaptionSizing(std::string_view className);

}  // namespace kst
