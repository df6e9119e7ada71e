OziExplorer Track Point File Version 2.1
WGS 84
Altitude is in Feet
Reserved 3
0,3,255,Track-2025-09-04,0,0,0,255
0          
43.55316998, 1.46030640,0, 822.83, 45904.19143519, 04.09.25, 04:35:40
