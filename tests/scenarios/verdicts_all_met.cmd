* verdicts_all_met.cmd: every expectation met: the verdict line, status 0.
* tavric-run: --protocol Verta
.command;
30;
.expect_ok;
