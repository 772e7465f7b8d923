* verdicts_on_mismatch_stop.cmd: .on_mismatch(stop) ends the run at the mismatch.
* tavric-run: --protocol Verta
.command;
.on_mismatch(stop);
30;
.expect();
10;
