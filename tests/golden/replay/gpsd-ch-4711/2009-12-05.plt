OziExplorer Track Point File Version 2.1
WGS 84
Altitude is in Feet
Reserved 3
0,3,255,Track-2009-12-05,0,0,0,255
0          
55.71721333, 37.41199667,0, 543.31, 40152.58116895, 05.12.09, 13:56:52
