#include "app/text_boxes.h"

#include <QRegularExpression>
#include <QRegularExpressionValidator>

#include "platform/codepage.h"
#include "platform/error.h"

namespace vellumark::app {

int Cp932Length(const QString& text) {
  try {
    return static_cast<int>(platform::Utf8ToCp932(text.toStdString()).size());
  } catch (const platform::UserError&) {
    return -1;
  }
}

QValidator::State DelimiterValidator::validate(QString& input, int& pos) const {
  if (Cp932Length(input) < 0) return Invalid;
  // Like an edit control with a byte limit, text that does not fit is cut,
  // not refused: what was just typed or pasted ends at the cursor, so
  // characters go from there backwards until the rest fits. Pasting "abc"
  // leaves "ab" here, and the one-character rule then keeps "a"; a character
  // typed into a full box goes again at once. The box held at most the limit
  // before, so the cut never reaches text that was already there.
  // Text with a CP932 form has no surrogate pairs, so one QChar is one
  // character here.
  while (Cp932Length(input) > kDelimiterByteLimit && pos > 0) {
    --pos;
    input.remove(pos, 1);
  }
  return Cp932Length(input) <= kDelimiterByteLimit ? Acceptable : Invalid;
}

QString FirstCharacter(const QString& text) {
  if (text.isEmpty()) return text;
  const qsizetype firstLength = (text.front().isHighSurrogate() && text.size() > 1) ? 2 : 1;
  if (text.size() <= firstLength) return text;
  return text.left(firstLength);
}

QValidator* MakeDigitsOnlyValidator(QObject* parent) {
  return new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), parent);
}

}  // namespace vellumark::app
