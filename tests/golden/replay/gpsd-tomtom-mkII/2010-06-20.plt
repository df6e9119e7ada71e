OziExplorer Track Point File Version 2.1
WGS 84
Altitude is in Feet
Reserved 3
0,3,255,Track-2010-06-20,0,0,0,255
0          
51.43117667, 5.40388667,0, 201.44, 40349.74834491, 20.06.10, 17:57:37
