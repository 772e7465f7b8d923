* verdicts_on_mismatch_continue.cmd: .on_mismatch(continue) in a loop: each
* round's mismatch is counted.
* tavric-run: --protocol Verta --loop --max-statements 9
.command;
.on_mismatch(continue);
30;
.expect();
10;
