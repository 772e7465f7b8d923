* run_junit_verdicts.cmd: the JUnit report of the verdicts example, a run with a failure:
* a case per expectation named by script and line, the failure's words, the
* reader's properties (the report's times, date and host masked).
* tavric-run: --junit @DIR@/report.xml examples/verdicts.cmd @NOCASE@
