#pragma once
// The fixed layout of the main window: every control with its name, kind,
// container, caption, position and size in twips, and tab index. The window
// is built from this table; positions become pixels at the screen's logical
// DPI (1440 twips to the inch).
#include <QRect>
#include <QSize>
#include <span>

class QWidget;

namespace vellumark::app {

enum class ControlKind { kFrame, kButton, kCheck, kOption, kText, kLabel, kList };

struct ControlPlacement {
  const char* name;       // objectName; control-array members as "OpSplit_2"
  ControlKind kind;
  const char* container;  // objectName of the enclosing frame, "" for the client area
  const char* caption;    // UTF-8
  int left, top, width, height;  // twips, relative to the container
  int tabIndex;
};

inline constexpr int kTwipsPerInch = 1440;
inline constexpr int kClientWidthTwips = 8925;
inline constexpr int kClientHeightTwips = 7230;

// The controls, containers before their contents.
std::span<const ControlPlacement> Form1Controls();

int TwipsToPixels(int twips, double dotsPerInch);
QRect TwipsToPixels(const ControlPlacement& placement, double dpiX, double dpiY);

// Creates every control of the table inside `client` (the window's client
// area), sized for `client`'s logical DPI, and sets the tab order by the
// table's tab indexes. Controls are found afterwards by objectName.
void BuildForm1Controls(QWidget& client);

}  // namespace vellumark::app
