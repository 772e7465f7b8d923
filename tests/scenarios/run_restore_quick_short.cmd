* run_restore_quick_short.cmd: nor is one of fewer than two characters, as its key is not.
* settings: ../data/cli/bench.ini
* tavric-run: --restore --quick 4 @NOCASE@
