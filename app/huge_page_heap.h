#pragma once

// Restarts the running program once with the C library told to back its
// heap with huge pages. Loading a large file builds a million small records;
// with 4 KiB pages every one of their pages costs the kernel a fault, which
// on virtual machines takes more time than the load itself. The setting only
// takes effect at process start, hence the restart. Returns (and the program
// goes on unchanged) when the setting is already there, when the user chose
// their own heap settings, or when the restart is impossible.
void restartWithHugePageHeap(char **argv);
