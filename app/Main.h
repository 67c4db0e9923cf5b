#pragma once

// Creates the application, runs the start procedure and the message loop.
int RunSarovin(int argc, char** argv);
