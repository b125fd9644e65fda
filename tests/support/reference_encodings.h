#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The file encodings spelled out a second way, independently of the
// program, as references for its tests.
enum class ReferenceEncoding { Utf16LE, Utf16BE, Windows1252 };

// Every 16-bit unit of `text`, in that byte order, nothing added or checked.
QByteArray referenceUtf16Units(QStringView text, bool bigEndian);

// The character of one Windows-1252 byte as the system's own converter
// (iconv's CP1252) gives it; a byte it leaves unassigned stands for the C1
// control of the same number.
QChar referenceWindows1252Char(unsigned char byte);
// True when iconv's CP1252 has a character for the byte.
bool referenceWindows1252Assigned(unsigned char byte);

// A file holding `text` in the encoding: UTF-16 opens with its byte-order
// mark. Nothing when a character has no Windows-1252 byte.
std::optional<QByteArray> referenceFileBytes(const QString &text, ReferenceEncoding encoding);

// The name the tests print for the encoding.
const char *referenceName(ReferenceEncoding encoding);
