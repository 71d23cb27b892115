#include "app/form_layout.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>
#include <cmath>
#include <vector>

#include "app/drop_list.h"

namespace vellumark::app {
namespace {

using K = ControlKind;

// The caption of OpSave_0 begins with five ideographic spaces: Text2 sits
// over that blank stretch, so the option reads as the box followed by
// "MB 以下に分割". Text2 is raised above it after creation.
constexpr ControlPlacement kControls[] = {
    {"Frame7", K::kFrame, "", "file IO", 60, 60, 2595, 795, 22},
    {"CmdFileIO_0", K::kButton, "Frame7", "リストを保存", 120, 240, 1155, 435, 24},
    {"CmdFileIO_1", K::kButton, "Frame7", "リストを開く", 1320, 240, 1155, 435, 23},
    {"Frame1", K::kFrame, "", "Option", 60, 960, 2595, 6195, 4},
    {"Frame3", K::kFrame, "Frame1", "サムネール", 120, 240, 2355, 1215, 5},
    {"Check1", K::kCheck, "Frame3", "削除した後に埋め込む", 120, 240, 2115, 255, 6},
    {"fullThumbnail_0", K::kOption, "Frame3", "すべて埋め込む", 180, 540, 2115, 315, 7},
    {"fullThumbnail_1", K::kOption, "Frame3", "最初のページのみ", 180, 840, 2115, 315, 8},
    {"Frame4", K::kFrame, "Frame1", "しおり", 120, 1560, 2355, 1575, 9},
    {"makeBM2mokuji_0", K::kOption, "Frame4", "目次から", 120, 240, 2115, 255, 10},
    {"makeBM2mokuji_1", K::kOption, "Frame4", "全ページ検索", 120, 480, 2115, 255, 11},
    {"Check2", K::kCheck, "Frame4", "強制作成", 360, 780, 1875, 255, 25},
    {"Text1", K::kText, "Frame4", "\xEF\xBD\xA5", 120, 1140, 615, 270, 27},
    {"Label1", K::kLabel, "Frame4", "区切り文字", 840, 1200, 855, 180, 26},
    {"Frame2", K::kFrame, "Frame1", "ファイルの保存", 120, 3240, 2355, 1035, 12},
    {"Text2", K::kText, "Frame2", "1", 420, 300, 495, 255, 13},
    {"OpSave_0", K::kOption, "Frame2", "\u3000\u3000\u3000\u3000\u3000MB 以下に分割", 120, 360, 2115, 195, 15},
    {"OpSave_1", K::kOption, "Frame2", "1ファイルで保存", 120, 660, 2115, 195, 14},
    {"Frame5", K::kFrame, "Frame1", "分割の単位", 120, 4380, 2355, 1635, 16},
    {"OpSplit_0", K::kOption, "Frame5", "章で分ける", 180, 300, 2055, 255, 17},
    {"OpSplit_1", K::kOption, "Frame5", "節で分ける", 180, 600, 2055, 255, 18},
    {"OpSplit_2", K::kOption, "Frame5", "すべて考慮", 180, 900, 2055, 255, 20},
    {"OpSplit_3", K::kOption, "Frame5", "考慮しない", 180, 1260, 2055, 255, 21},
    {"List1", K::kList, "", "", 2760, 60, 6075, 3300, 0},
    {"List2", K::kList, "", "", 2760, 3480, 6075, 3660, 3},
};

QWidget* MakeControl(const ControlPlacement& placement, QWidget* parent) {
  const QString caption = QString::fromUtf8(placement.caption);
  switch (placement.kind) {
    case K::kFrame: return new QGroupBox(caption, parent);
    case K::kButton: return new QPushButton(caption, parent);
    case K::kCheck: return new QCheckBox(caption, parent);
    case K::kOption: return new QRadioButton(caption, parent);
    case K::kText: return new QLineEdit(caption, parent);
    case K::kLabel: return new QLabel(caption, parent);
    case K::kList: return new DropList(parent);
  }
  return nullptr;
}

// The positions were drawn for a narrow Windows UI font; with a wider
// Japanese font, or a style with a bigger indicator, a caption can outgrow
// its control and lose its last characters ("MB 以下に分割" would end in
// "分"). Such a control first takes the free room up to its frame's inner
// edge, and if that is not enough its font is condensed just enough to fit.
void FitCaption(QWidget& control) {
  const int needed = control.sizeHint().width();
  if (needed <= control.width()) return;
  QWidget* container = control.parentWidget();
  const int innerRight = container->contentsRect().right() - TwipsToPixels(60, control.logicalDpiX());
  control.resize(std::max(control.width(), innerRight - control.x() + 1), control.height());
  if (needed <= control.width()) return;
  // Only the text shrinks, not the indicator: condense by the text's share.
  const int text = control.fontMetrics().horizontalAdvance(
      qobject_cast<QAbstractButton*>(&control) != nullptr ? qobject_cast<QAbstractButton*>(&control)->text()
                                                          : qobject_cast<QLabel*>(&control)->text());
  const int room = text - (needed - control.width());
  constexpr int kMinimumStretch = 70;  // percent; narrower becomes hard to read
  QFont condensed = control.font();
  condensed.setStretch(std::max(kMinimumStretch, room * 100 / std::max(text, 1)));
  control.setFont(condensed);
}

}  // namespace

std::span<const ControlPlacement> Form1Controls() { return kControls; }

int TwipsToPixels(int twips, double dotsPerInch) {
  return static_cast<int>(std::lround(twips * dotsPerInch / kTwipsPerInch));
}

QRect TwipsToPixels(const ControlPlacement& placement, double dpiX, double dpiY) {
  return QRect(TwipsToPixels(placement.left, dpiX), TwipsToPixels(placement.top, dpiY),
               TwipsToPixels(placement.width, dpiX), TwipsToPixels(placement.height, dpiY));
}

void BuildForm1Controls(QWidget& client) {
  const double dpiX = client.logicalDpiX();
  const double dpiY = client.logicalDpiY();
  std::vector<std::pair<int, QWidget*>> byTabIndex;
  for (const ControlPlacement& placement : kControls) {
    QWidget* parent = &client;
    if (placement.container[0] != '\0') {
      parent = client.findChild<QWidget*>(QString::fromLatin1(placement.container));
      Q_ASSERT(parent != nullptr);  // the table lists containers first
    }
    QWidget* control = MakeControl(placement, parent);
    control->setObjectName(QString::fromLatin1(placement.name));
    control->setGeometry(TwipsToPixels(placement, dpiX, dpiY));
    byTabIndex.emplace_back(placement.tabIndex, control);
  }
  if (auto* sizeBox = client.findChild<QWidget*>(QStringLiteral("Text2"))) sizeBox->raise();
  for (const auto& [tabIndex, control] : byTabIndex) {
    if (qobject_cast<QCheckBox*>(control) != nullptr || qobject_cast<QRadioButton*>(control) != nullptr ||
        qobject_cast<QLabel*>(control) != nullptr) {
      FitCaption(*control);
    }
  }

  // Frames and the label take no focus; the tab chain runs through the rest
  // in tab-index order, starting at the job list.
  std::sort(byTabIndex.begin(), byTabIndex.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  QWidget* previous = nullptr;
  for (const auto& [tabIndex, control] : byTabIndex) {
    if (control->focusPolicy() == Qt::NoFocus) continue;
    if (previous != nullptr) QWidget::setTabOrder(previous, control);
    previous = control;
  }
}

}  // namespace vellumark::app
