#pragma once

// Sine and cosine of an angle in degrees from + - * / and floor only, so that the
// simulated drive comes out bit for bit the same whatever the maths library.
double SineDeg(double degrees);
double CosineDeg(double degrees);
