* run_restore_no_document.cmd: a document that is not there is refused (exit 3).
* settings: ../data/cli/bench.ini
* tavric-run: --restore --document 3 @NOCASE@
