* run_restore_quick.cmd: the second document's quick command 2, not its script;
* the settings saved are those of run_restore_save.
* settings: ../data/cli/bench.ini
* tavric-run: --restore --document 2 --quick 2 --save @NOCASE@
