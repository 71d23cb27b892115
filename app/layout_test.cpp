// The window as the user first sees it: fixed size, menus, controls inside
// their frames without overlapping, the size box over the blank start of
// its option caption, the tab order, a Japanese font; and the screenshot
// of the README.
#include <QFontInfo>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QtTest>

#include "app/drop_list.h"
#include "app/form_layout.h"
#include "app/gui_test_support.h"

using namespace vellumark::app;
using namespace vellumark::app::testing;

class LayoutTest : public QObject {
  Q_OBJECT

 private slots:
  void theWindowHasItsTitleMenusAndFixedSize() {
    Sandbox sandbox;
    auto form = sandbox.ShowForm();
    QCOMPARE(form->windowTitle(), QStringLiteral("Vellumark"));
    QCOMPARE(form->minimumSize(), form->maximumSize());
    QWidget* client = form->centralWidget();
    QCOMPARE(client->width(), TwipsToPixels(kClientWidthTwips, client->logicalDpiX()));
    QCOMPARE(client->height(), TwipsToPixels(kClientHeightTwips, client->logicalDpiY()));

    QStringList topLevel;
    for (QAction* action : form->menuBar()->actions()) topLevel.append(action->text());
    // The batch command and "Tool" keep their order, between the file and
    // help menus.
    QCOMPARE(topLevel, (QStringList{QString::fromUtf8("ファイル"), QString::fromUtf8("連続変換"), QStringLiteral("Tool"),
                                    QString::fromUtf8("ヘルプ")}));
    QStringList toolItems;
    for (QAction* action : Control<QMenu>(*form, "menu_1")->actions()) toolItems.append(action->text());
    QCOMPARE(toolItems, (QStringList{QString::fromUtf8("目次リストのコピー"),
                                     QString::fromUtf8("分割した各ファイルにすべてのしおりを入れる"),
                                     QString::fromUtf8("見出しリストを書き出す")}));
  }

  void controlsStayInsideTheirFramesWithoutOverlapping() {
    Sandbox sandbox;
    auto form = sandbox.ShowForm();
    QWidget* client = form->centralWidget();
    const QList<QWidget*> controls = client->findChildren<QWidget*>();
    for (const ControlPlacement& placement : Form1Controls()) {
      QWidget* control = Control<QWidget>(*form, placement.name);
      QVERIFY2(control->isVisible(), placement.name);
      QVERIFY2(control->parentWidget()->rect().contains(control->geometry()), placement.name);
    }
    // Siblings never cover each other, except the size box, which is meant
    // to sit over the blank start of its option's caption.
    const auto& table = Form1Controls();
    for (std::size_t i = 0; i < table.size(); ++i) {
      for (std::size_t j = i + 1; j < table.size(); ++j) {
        QWidget* a = Control<QWidget>(*form, table[i].name);
        QWidget* b = Control<QWidget>(*form, table[j].name);
        if (a->parentWidget() != b->parentWidget()) continue;
        const QString pair = QString::fromLatin1(table[i].name) + "/" + QString::fromLatin1(table[j].name);
        if (pair == QStringLiteral("Text2/OpSave_0")) continue;
        // The two thumbnail options share one twips-row (15 twips): a
        // one-pixel seam is how the window was drawn, anything more hides text.
        const QRect shared = a->geometry().intersected(b->geometry());
        QVERIFY2(shared.isEmpty() || shared.height() <= 1 || shared.width() <= 1, qPrintable(pair));
      }
    }
  }

  void everyCaptionFitsItsControl() {
    Sandbox sandbox;
    auto form = sandbox.ShowForm();
    for (const ControlPlacement& placement : Form1Controls()) {
      QWidget* control = Control<QWidget>(*form, placement.name);
      if (placement.kind == ControlKind::kOption || placement.kind == ControlKind::kCheck ||
          placement.kind == ControlKind::kLabel) {
        QVERIFY2(control->sizeHint().width() <= control->width(),
                 qPrintable(QStringLiteral("%1 needs %2 px, has %3")
                                .arg(QString::fromLatin1(placement.name))
                                .arg(control->sizeHint().width())
                                .arg(control->width())));
      }
    }
  }

  void theSizeBoxCoversOnlyTheBlankStartOfItsOption() {
    Sandbox sandbox;
    auto form = sandbox.ShowForm();
    auto* option = Control<QRadioButton>(*form, "OpSave_0");
    QWidget* sizeBox = Control<QWidget>(*form, "Text2");
    QVERIFY(sizeBox->parentWidget() == option->parentWidget());
    QCOMPARE(option->text().left(5), QString(5, QChar(0x3000)));
    // The box is drawn above the option, so a click on it reaches the box.
    QCOMPARE(form->centralWidget()->childAt(sizeBox->mapTo(form->centralWidget(), sizeBox->rect().center())),
             sizeBox);

    QStyleOptionButton styleOption;
    styleOption.initFrom(option);
    styleOption.text = option->text();
    const QRect indicator = option->style()->subElementRect(QStyle::SE_RadioButtonIndicator, &styleOption, option);
    const QRect contents = option->style()->subElementRect(QStyle::SE_RadioButtonContents, &styleOption, option);
    const int blankEnd = option->x() + contents.left() +
                         option->fontMetrics().horizontalAdvance(QString(5, QChar(0x3000)));
    QVERIFY2(sizeBox->x() >= option->x() + indicator.right(), "the box hides the option's circle");
    QVERIFY2(sizeBox->geometry().right() < blankEnd,
             qPrintable(QStringLiteral("box ends at %1, caption text starts at %2")
                            .arg(sizeBox->geometry().right())
                            .arg(blankEnd)));
  }

  void tabOrderStartsAtTheJobList() {
    Sandbox sandbox;
    auto form = sandbox.ShowForm();
    QStringList order;
    QWidget* widget = Control<QWidget>(*form, "List1");
    for (int step = 0; step < 40; ++step) {
      if ((widget->focusPolicy() & Qt::TabFocus) && widget->isVisible() && widget->isEnabled()) {
        if (order.contains(widget->objectName())) break;
        order.append(widget->objectName());
      }
      widget = widget->nextInFocusChain();
    }
    const QStringList expected{"List1",           "List2",        "Check1",    "fullThumbnail_0", "fullThumbnail_1",
                               "makeBM2mokuji_0", "makeBM2mokuji_1", "Text2",  "OpSave_1",        "OpSave_0",
                               "OpSplit_0",       "OpSplit_1",    "OpSplit_2", "OpSplit_3",       "CmdFileIO_1",
                               "CmdFileIO_0",     "Check2",       "Text1"};
    QCOMPARE(order.mid(0, expected.size()), expected);
  }

  void captionsRenderInAJapaneseFont() {
    Sandbox sandbox;
    auto form = sandbox.MakeForm();
    const QFontInfo used(Control<QWidget>(*form, "OpSplit_0")->font());
    QVERIFY2(QStringList({"MS UI Gothic", "IPAexGothic", "Noto Sans CJK JP"}).contains(used.family()),
             qPrintable(used.family()));
    QVERIFY(QFontMetrics(form->font()).inFont(QChar(0x7BC0)));  // 節
  }

  // The picture for the README: two jobs, the first with its appendices.
  void screenshot() {
    Sandbox sandbox;
    auto form = sandbox.ShowForm();
    const QString folder = QStringLiteral("/home/engineer/工事/護岸改修/");
    DropFiles(*Control<DropList>(*form, "List1"),
              {folder + QString::fromUtf8("完成報告書.pdf"), folder + QString::fromUtf8("施工計画書.pdf")});
    Control<DropList>(*form, "List1")->setCurrentRow(0);
    DropFiles(*Control<DropList>(*form, "List2"),
              {folder + QString::fromUtf8("付録1_数量計算.pdf"), folder + QString::fromUtf8("付録2_写真帳.pdf")});
    QCoreApplication::processEvents();
    const QPixmap picture = form->grab();
    QCOMPARE(picture.size(), form->size());
    // Written beside the test program, never into the source tree (a test
    // run must not change the checkout); docs/screenshot.png is a copy of it.
    const QString target = QCoreApplication::applicationDirPath() + QStringLiteral("/screenshot.png");
    QVERIFY(picture.save(target));
  }
};

QTEST_MAIN(LayoutTest)
#include "layout_test.moc"
