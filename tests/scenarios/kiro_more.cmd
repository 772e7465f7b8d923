* kiro_more.cmd: a register that does not exist; GET RELEASE gives the mask of
* every slot.
* tavric-run: --protocol Kiro --card-params
.command;
02;
06 40;
4A 05;
