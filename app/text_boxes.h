#pragma once
// The edit rules of the two option text boxes: the size box takes digits
// only; the delimiter box holds at most two bytes of CP932 (one double-byte
// character or two single-byte ones) and keeps one character.
#include <QString>
#include <QValidator>

namespace vellumark::app {

// The delimiter is written to the settings file in CP932, so the box takes
// only text that has a CP932 form of at most two bytes: text without a CP932
// form is refused, and text over the limit is cut to it from the cursor
// backwards (what was just typed or pasted), so the box can never hold a
// delimiter the settings file could not store.
class DelimiterValidator final : public QValidator {
  Q_OBJECT
 public:
  using QValidator::QValidator;
  State validate(QString& input, int& pos) const override;
};

inline constexpr int kDelimiterByteLimit = 2;

// CP932 length of `text` in bytes, -1 when it has no CP932 form.
int Cp932Length(const QString& text);

// The one-character rule: text of two or more characters becomes its first
// character (a surrogate pair counts as one); shorter text is kept.
QString FirstCharacter(const QString& text);

// The size box: digits only, typed or pasted.
QValidator* MakeDigitsOnlyValidator(QObject* parent);

}  // namespace vellumark::app
