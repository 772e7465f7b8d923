* directives_local.cmd: the directives the host runs itself: the script type
* (any letter case, blanks around), the trace cleared and the log saved; the
* first directive that matches wins (.t(0) before .config(), no configuration
* call), and a name does not match inside a longer text (.apdu.clear clears).
* tavric-run: --protocol Verta
.Command;
10;
.APDU;
00 A4 00 00 02 2F 01;
  .RAWDATA  ;
30;
.config(01).t(0);
.apdu.clear;
30;
.save;
