// Services of the running program that core code needs: the data folder and
// the event pump.
#pragma once

#include <QString>

// The program's folder for its settings and database files: $SAROVIN_HOME when
// set, else the per-user application data folder. Created on first use.
QString DataFolder();
// A file inside the data folder.
QString DataFile(const QString& name);

// Let pending window events run once. Code that pumps holds no reference into
// Library.Files or a list across the call and re-checks sizes after it.
void Pump();
// Pump() unless events ran less than a few milliseconds ago: for loops over
// thousands of items, where a pump per item would cost more than the item.
// The same rules as for Pump() apply at every call.
void PumpIfDue();
