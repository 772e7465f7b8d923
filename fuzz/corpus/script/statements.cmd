* statements.cmd: how statements are written. Raw frames, reader commands,
* statements over several lines, quoted text and APDUs.

* A whole frame written by hand: type 40, length 00 01, GET FIRMWARE VERSION
* (30) and the checksum 71 (the XOR of the bytes before it).
.rawdata;
40 00 01 30 71;

* Reader commands: the protocol adds the header and the checksum.
.command;
13                         // a statement runs up to its semicolon:
   02                      //   SET SLOT PARAMETER : VOLTAGE CLASS
   02;                     //   3 V
14 02;                     // GET SLOT PARAMETER : VOLTAGE CLASS
40 "Hello, reader";        // LOOPBACK: quoted text stands for its bytes

* APDUs go to the selected card; "TAVRC" is 54 41 56 52 43.
20 01;
10;
.apdu;
00 A4 00 0C 02 00 01;      // SELECT the file 0001
00 D6 00 00 05 "TAVRC";    // UPDATE BINARY with quoted text
00 b0 00 00 05;            // READ BINARY: hexadecimal digits in either case
