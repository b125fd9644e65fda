#pragma once

#include <QByteArray>
#include <QList>
#include <QRandomGenerator>

// The seed inputs: realistic configuration files (comments, repeated and
// empty sections, other letter cases, a byte-order mark, Windows-1252 and
// UTF-16 text, lone CR and mixed line ends, no last line end), each with a
// list of operations, in the layout FuzzInput reads.
QList<QByteArray> seedInputs();

// A seed input changed at random: bytes of the file flipped, inserted or
// cut (line breaks, "=", brackets, NUL, non-ASCII), its line ends or its
// encoding changed, operations added or replaced.
QByteArray mutatedInput(QRandomGenerator &random);
