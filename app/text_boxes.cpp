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

QValidator::State DelimiterValidator::validate(QString& input, int& /*pos*/) const {
  const int bytes = Cp932Length(input);
  if (bytes < 0 || bytes > kDelimiterByteLimit) return Invalid;
  return Acceptable;
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
