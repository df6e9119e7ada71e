OziExplorer Track Point File Version 2.1
WGS 84
Altitude is in Feet
Reserved 3
0,3,255,Track-2014-05-26,0,0,0,255
0          
55.68659333, 37.62146167,0, 217.19, 41785.34319444, 26.05.14, 08:14:12
