#include "text_file.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>

namespace tamblor {
namespace {

bool Decode(const QByteArray& bytes, const char* encoding, QString* text) {
  QStringDecoder decoder(encoding, QStringDecoder::Flag::Stateless);
  if (!decoder.isValid()) return false;
  QString out = decoder(bytes);
  if (decoder.hasError()) return false;
  *text = out;
  return true;
}

bool Decode(const QByteArray& bytes, QStringConverter::Encoding encoding, QString* text) {
  QStringDecoder decoder(encoding, QStringDecoder::Flag::Stateless);
  QString out = decoder(bytes);
  if (decoder.hasError()) return false;
  *text = out;
  return true;
}

}  // namespace

TextFileStatus DecodeText(const QByteArray& bytes, QString* text) {
  if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
    if (bytes.size() % 2 != 0) return TextFileStatus::kUnknownEncoding;
    const auto encoding = bytes.startsWith("\xFF\xFE") ? QStringConverter::Utf16LE : QStringConverter::Utf16BE;
    QString out;
    if (!Decode(bytes.mid(2), encoding, &out) || out.contains(QChar(0))) return TextFileStatus::kUnknownEncoding;
    *text = out;
    return TextFileStatus::kOk;
  }
  // Text files hold no NUL bytes; binary files nearly always do.
  if (bytes.contains('\0')) return TextFileStatus::kUnknownEncoding;
  const QByteArray body = bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes;
  if (Decode(body, QStringConverter::Utf8, text)) return TextFileStatus::kOk;
  if (Decode(body, "GB18030", text)) return TextFileStatus::kOk;
  return TextFileStatus::kUnknownEncoding;
}

TextFileStatus ReadTextFile(const QString& path, QString* text) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return TextFileStatus::kCannotOpen;
  if (file.size() > kMaxTextFileBytes) return TextFileStatus::kTooLarge;
  const QByteArray bytes = file.read(kMaxTextFileBytes + 1);
  if (bytes.size() > kMaxTextFileBytes) return TextFileStatus::kTooLarge;
  return DecodeText(bytes, text);
}

bool WriteTextFile(const QString& path, const QString& text) {
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return false;
  const QByteArray bytes = text.toUtf8();
  if (file.write(bytes) != bytes.size()) {
    file.cancelWriting();
    return false;
  }
  return file.commit();
}

}  // namespace tamblor
