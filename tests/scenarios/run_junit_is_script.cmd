* run_junit_is_script.cmd: opening the report would empty the script: refused (exit 7).
* tavric-run: --junit @CASE@ @CASE@
30;
