* run_junit_folder.cmd: the JUnit report is written at the end in one step, like
* the capture: a folder in its place is said after the run (exit 7).
* tavric-run: --junit @DIR@
30;
