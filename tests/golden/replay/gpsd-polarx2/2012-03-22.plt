OziExplorer Track Point File Version 2.1
WGS 84
Altitude is in Feet
Reserved 3
0,3,255,Track-2012-03-22,0,0,0,255
0          
38.73733133, -9.14063750,0, -777,40990.47428241, 22.03.12, 11:22:58
