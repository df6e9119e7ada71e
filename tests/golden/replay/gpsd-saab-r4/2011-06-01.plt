OziExplorer Track Point File Version 2.1
WGS 84
Altitude is in Feet
Reserved 3
0,3,255,Track-2011-06-01,0,0,0,255
0          
50.21319000, -8.11466000,0, -777,40695.54666667, 01.06.11, 13:07:12
