#pragma once
// A list box that takes files dropped from the file manager and reports the
// Delete key. It only reports: the window decides what to take, through the
// job list model.
#include <QListWidget>
#include <QStringList>

class QLabel;

namespace vellumark::app {

class DropList final : public QListWidget {
  Q_OBJECT
 public:
  explicit DropList(QWidget* parent = nullptr);
  ~DropList() override;

  // The selected row, -1 when nothing is selected.
  int SelectedRow() const;

  // A hint shown in the list while it has no entries (what to drop here).
  void SetPlaceholderText(const QString& text);
  // The label that shows it; visible exactly while the list is empty.
  const QLabel* placeholder() const { return placeholder_; }

 signals:
  // The local file paths of a drop, in the order of the drop (UTF-8 inside
  // the core, so the window converts them with toStdString()).
  void filesDropped(const QStringList& paths);
  // Delete pressed, whatever Shift, Ctrl or Alt were held with it.
  void deletePressed();

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void UpdatePlaceholder();

  QLabel* placeholder_ = nullptr;
};

// The local files among the URLs of a drop, in their order; other URLs (web
// links, remote locations) are not files the list could take.
QStringList LocalFilesOf(const QMimeData* mime);

}  // namespace vellumark::app
