* verdicts_refused.cmd: a refused expectation counts nothing; the run goes on.
* tavric-run: --protocol Verta
.command;
30;
.expect_sw(90);
10;
