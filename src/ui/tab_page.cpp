#include "ui/tab_page.h"

#include "ui/main_window.h"

namespace kst::ui {

TTabPage::TTabPage(TfrmLexibox& window) : QWidget(&window), window_(window) {}

}  // namespace kst::ui
