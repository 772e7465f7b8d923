* verta_3des_no_card.cmd: the challenge of a .3des exchange asked of an empty
* slot: the reader's error answer ends the exchange, and the run goes on.
* tavric-run: --protocol Verta
20 02;
.3des(08,10,404142434445464748494A4B4C4D4E4F);
30;
