* run_restore_quick_empty.cmd: a quick command without a text is not offered (exit 1).
* settings: ../data/cli/bench.ini
* tavric-run: --restore --quick 3 @NOCASE@
