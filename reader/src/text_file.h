// Reading and writing the text box's files: opened texts and the history.
#ifndef TAMBLOR_TEXT_FILE_H
#define TAMBLOR_TEXT_FILE_H

#include <QByteArray>
#include <QString>

namespace tamblor {

// Larger files are refused: the text box is not made for them.
constexpr qint64 kMaxTextFileBytes = 8 * 1024 * 1024;

enum class TextFileStatus { kOk, kCannotOpen, kTooLarge, kUnknownEncoding };

// UTF-16 with a byte-order mark (either order), UTF-8 (with or without a
// mark), else GBK (GB18030), the legacy code page of Chinese texts. Data with
// NUL bytes or that none of these decodes is refused as not being text.
TextFileStatus DecodeText(const QByteArray& bytes, QString* text);

TextFileStatus ReadTextFile(const QString& path, QString* text);

// UTF-8 without a byte-order mark. False when the file cannot be written.
bool WriteTextFile(const QString& path, const QString& text);

}  // namespace tamblor

#endif
