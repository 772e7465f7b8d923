* verdicts_refused_forms.cmd: every form an expectation or a mismatch action
* cannot be read in is refused with its message and counts nothing; the
* mismatch after the refused actions does not stop the run.
* tavric-run: --protocol Verta
.command;
30;
.expect(6);
.expect(60 0x);
.expect(* 60);
.expect(60 ** );
.expect(60;
.expect(60) 61;
.expect(6(0));
.expect_sw();
.expect_sw(900);
.expect_sw(9000|);
.expect_sw(90000);
.expect_sw(9000||6100);
.expect_time(50 ms);
.expect_time(<=);
.expect_time(<= 5 min);
.expect_time(<= 1234567890);
.expect_time(<= 1.);
.expect_time(=< 5);
.expect_ok();
.expected(60);
.expect_okay;
.on_mismatch(halt);
.on_mismatch;
.expect(00);
10;
