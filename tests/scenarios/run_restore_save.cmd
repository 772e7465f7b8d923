* run_restore_save.cmd: a bench of two simulated readers as the desktop program
* saved it (run_restore_save.a.cmd and .b.cmd their scripts): the first document
* runs its own script, and saving writes the bench back with the values read.
* settings: ../data/cli/bench.ini
* tavric-run: --restore --save @NOCASE@
