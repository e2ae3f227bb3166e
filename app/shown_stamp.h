// Start-up timing: when the environment names CORVANTIS_SHOWN_STAMP, the first time the main
// window is shown the console writes one line to standard error,
//   "corvantis: window shown at MS after CPU ms of CPU"
// where MS is CLOCK_MONOTONIC in milliseconds (the clock every process shares), so that a
// launcher can subtract the moment it started the program, and CPU the processor time the
// program has used so far (what start-up costs, however busy the machine).
#pragma once

// UI thread. Writes the line once per process, and only when asked for.
void StampWindowShown();
