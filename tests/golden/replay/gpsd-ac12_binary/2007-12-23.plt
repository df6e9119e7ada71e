OziExplorer Track Point File Version 2.1
WGS 84
Altitude is in Feet
Reserved 3
0,3,255,Track-2007-12-23,0,0,0,255
0          
20.62933500, -87.06789500,0, 237.37, 39439.77466435, 23.12.07, 18:35:31
