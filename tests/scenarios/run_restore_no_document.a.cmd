* reader A
10;
