OziExplorer Track Point File Version 2.1
WGS 84
Altitude is in Feet
Reserved 3
0,3,255,Track-2008-08-23,0,0,0,255
0          
52.21635788, 6.88504097,0, 337.62, 39683.34348380, 23.08.08, 08:14:37
