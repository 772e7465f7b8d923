* run_restore_document.cmd: the second document runs its own script; the settings
* saved are those of run_restore_save.
* settings: ../data/cli/bench.ini
* tavric-run: --restore --document 2 --save @NOCASE@
