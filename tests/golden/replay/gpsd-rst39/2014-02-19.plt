OziExplorer Track Point File Version 2.1
WGS 84
Altitude is in Feet
Reserved 3
0,3,255,Track-2014-02-19,0,0,0,255
0          
42.09559308, -88.03398947,0, 727.95, 41689.86218750, 19.02.14, 20:41:33
