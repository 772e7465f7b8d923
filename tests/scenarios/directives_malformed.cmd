* directives_malformed.cmd: directives whose arguments cannot be read say so
* and end at once; a value too long is cut and the call goes on.
* tavric-run:
.t(123456789);
.t(250;
.t(0);
.config(123, 01);
.config(1f, 345, zz);
.config(1f;
.write(01 02;
.read(16;
.escape(123456789,01);
.escape(1,02;
.3des(8,10,00112233445566778899aabbccddeeff);
.3des(08,10,0112233445566778899aabbccddeeff);
.3des(08,10,00112233445566778899aabbccddeeff00);
.3des(08,10,00112233445566778899aabbccddeeff,);
.3des(08;10;00112233445566778899aabbccddeeff);
.3des(08,10,00112233445566778899aabbccddeeff;
30;
