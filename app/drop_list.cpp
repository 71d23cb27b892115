#include "app/drop_list.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QUrl>

namespace vellumark::app {

DropList::DropList(QWidget* parent) : QListWidget(parent) {
  setSelectionMode(QAbstractItemView::SingleSelection);
  // Entries are never dragged out or reordered: the list only receives files.
  setDragDropMode(QAbstractItemView::DropOnly);
  setAcceptDrops(true);
  viewport()->setAcceptDrops(true);

  // A label on the viewport rather than painted text: it wraps by itself and
  // a test can see whether it shows. Mouse events (and so drops) pass
  // through it to the list.
  placeholder_ = new QLabel(viewport());
  placeholder_->setObjectName(QStringLiteral("placeholder"));
  placeholder_->setAlignment(Qt::AlignCenter);
  placeholder_->setWordWrap(true);
  placeholder_->setAttribute(Qt::WA_TransparentForMouseEvents);
  placeholder_->setForegroundRole(QPalette::PlaceholderText);
  placeholder_->hide();
  connect(model(), &QAbstractItemModel::rowsInserted, this, &DropList::UpdatePlaceholder);
  connect(model(), &QAbstractItemModel::rowsRemoved, this, &DropList::UpdatePlaceholder);
  connect(model(), &QAbstractItemModel::modelReset, this, &DropList::UpdatePlaceholder);
}

// The list's model outlives this part of the object and resets while the
// base class tears down; the placeholder must not be updated then.
DropList::~DropList() { disconnect(model(), nullptr, this, nullptr); }

void DropList::SetPlaceholderText(const QString& text) {
  placeholder_->setText(text);
  UpdatePlaceholder();
}

void DropList::UpdatePlaceholder() {
  placeholder_->setGeometry(viewport()->rect().adjusted(8, 8, -8, -8));
  placeholder_->setVisible(count() == 0 && !placeholder_->text().isEmpty());
}

void DropList::resizeEvent(QResizeEvent* event) {
  QListWidget::resizeEvent(event);
  UpdatePlaceholder();
}

int DropList::SelectedRow() const {
  const QList<QListWidgetItem*> selected = selectedItems();
  if (selected.isEmpty()) return -1;
  return row(selected.front());
}

QStringList LocalFilesOf(const QMimeData* mime) {
  QStringList paths;
  if (mime == nullptr || !mime->hasUrls()) return paths;
  for (const QUrl& url : mime->urls()) {
    // Native separators: the paths are kept as the file manager names them.
    if (url.isLocalFile()) paths.append(QDir::toNativeSeparators(url.toLocalFile()));
  }
  return paths;
}

// Drag enter and move are accepted only for drops that carry local files, so
// the cursor tells the user before the drop that a text or a link is refused.
void DropList::dragEnterEvent(QDragEnterEvent* event) {
  if (!LocalFilesOf(event->mimeData()).isEmpty()) {
    event->acceptProposedAction();
  } else {
    event->ignore();
  }
}

void DropList::dragMoveEvent(QDragMoveEvent* event) {
  if (!LocalFilesOf(event->mimeData()).isEmpty()) {
    event->acceptProposedAction();
  } else {
    event->ignore();
  }
}

void DropList::dropEvent(QDropEvent* event) {
  const QStringList paths = LocalFilesOf(event->mimeData());
  if (paths.isEmpty()) {
    event->ignore();
    return;
  }
  // Copy, never move: the file manager must leave the dropped files where
  // they are.
  event->setDropAction(Qt::CopyAction);
  event->accept();
  emit filesDropped(paths);
}

void DropList::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Delete) {
    event->accept();
    emit deletePressed();
    return;
  }
  QListWidget::keyPressEvent(event);
}

}  // namespace vellumark::app
