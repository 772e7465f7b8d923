* verdicts_max_statements.cmd: expectations met with their statement count
* toward the statement bound like any statement.
* tavric-run: --loop --max-statements=5
30;
.expect_ok;
.expect(60 *);
