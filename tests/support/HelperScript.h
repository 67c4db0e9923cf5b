// Shell scripts that stand in for the tag save's helper: they get the file and
// the copy as $1 and $2 and the job on their input, like the real one.
#pragma once

#include <QByteArray>
#include <QString>

// Writes an executable "#!/bin/sh" script with the body.
bool WriteHelperScript(const QString& path, const QByteArray& body);

// A helper that writes its process id to pidFile, waits until the file gate
// exists and then becomes the real helper: a save that runs as long as the
// test wants, with no clock involved.
bool WriteGatedHelper(const QString& path, const QString& pidFile, const QString& gate, const QString& realHelper);
