#pragma once

#include <QByteArray>
#include <QString>

// Non-blocking ends of named pipes, for tests that hold a run at a known
// point: a process that opens a pipe, or writes into a full one, waits there
// until the test lets it go on.
namespace Fifo {

// The writing end, or -1 while no process has the pipe open for reading.
int openWriter(const QString& path);
// The reading end; opening it lets a process that waits to write go on.
int openReader(const QString& path);
// Both ends at once, which never waits: the pipe has a writer from then on,
// so a reader waits for bytes instead of finding the end.
int openBothEnds(const QString& path);
// Makes the pipe hold one page at most, so that a writer of more than that
// waits until a reader has taken most of it.
void shrink(int descriptor);

// Writes all the bytes, waiting for the reader to make room; false when the
// reader has gone or made no room for a minute.
bool writeAll(int descriptor, const QByteArray& bytes);

// How many bytes wait in the pipe, unread.
qint64 waitingBytes(int descriptor);
// Takes what waits in the pipe now, without waiting for more.
QByteArray readWaiting(int descriptor);

} // namespace Fifo
