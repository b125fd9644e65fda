#pragma once

#include "ini_model.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <vector>

// The fuzz input read as a file and a list of operations. Every byte
// string is a valid input: once the bytes run out every read gives zeros.
//
// Layout: two bytes (little-endian) give the file's length, taken modulo
// what is left plus one; then the file's bytes; then one byte of flags
// (bit 0: the file starts read-only); then the operations, each an opcode
// byte followed by what picks its names and value (see readOperation).
class FuzzInput {
public:
    FuzzInput(const std::uint8_t *data, std::size_t size) : m_data(data), m_size(size) {}

    bool atEnd() const { return m_pos >= m_size; }
    std::uint8_t byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }
    QByteArray take(std::size_t n);
    // The file: the length prefix and that many bytes.
    QByteArray file();

private:
    const std::uint8_t *m_data;
    std::size_t m_size;
    std::size_t m_pos = 0;
};

struct Operation {
    enum Kind { Set, Delete, AddSection, AddKey, DeleteSection, Reload, ToggleReadOnly, Batch };
    Kind kind = Set;
    QString section;
    QString key;
    QString value;
    // A batch's operations: writes only (set to add-key, delete-section).
    std::vector<Operation> steps;
    // For the failure report: the operation as larkspur-cli would spell it.
    QString describe() const;
};

// The next operation. Names and values come from `known` (the records of
// the file and of the store, in other letter cases or with blanks around
// them), from a list of awkward texts (=, [, ], CR, LF, NUL, non-ASCII,
// blanks, lone surrogates) or straight from the input's bytes.
Operation readOperation(FuzzInput &in, const QList<model::Record> &known);

// `text` with every character outside printable ASCII written as \xHH or \uHHHH.
QString escaped(const QString &text);
QString escapedBytes(const QByteArray &bytes);
