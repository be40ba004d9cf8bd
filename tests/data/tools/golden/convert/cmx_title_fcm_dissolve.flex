000 Manufacturer Brimvel    No. 021 Equip XJT      Version 3.00     Flex 1006
010 Title HARBOUR CUT

012 Shoot    2000-00-00  Xfer Date   2005-07-01

100 Edit 0                Field A1  NTSC
100 Edit 1                Field A1  NTSC
100 Edit 2                Field A1  NTSC
100 Edit 3                Field A1  NTSC
100 Edit 4                Field A1  NTSC
