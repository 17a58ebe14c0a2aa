#pragma once
// Number and text helpers with the game's own rules (degrees, truncation, lenient parsing).

#include <string>
#include <vector>

// Float to int, truncating toward zero; values beyond the int range saturate instead of being
// undefined.
int Int(double x);
double Sin(double degrees);
double Cos(double degrees);
// Angle of the vector (x, y) in degrees, -180 .. 180.
double ATan2(double y, double x);
double Sqr(double x);
int Sgn(double x);
double Floor(double x);

// Letters a to z become A to Z; every other byte stays.
std::string Upper(const std::string& text);
// Splitting keeps empty pieces: "&&" at "&" gives three empty texts, "" gives one.
std::vector<std::string> Split(const std::string& text, const std::string& separator);
// Leading blanks skipped, optional sign, "$" hex, "%" binary, otherwise decimal digits up to the
// first non-digit; no digits give 0. Decimal overflow saturates; hex and binary keep the low
// 32 bits.
int ToInt(const std::string& text);
// ToInt's reading into `value`; false when the text held no digit to read (value is then 0).
bool ReadInt(const std::string& text, int& value);
// Decimal fraction with optional sign and exponent; anything unreadable gives 0.
double ToDouble(const std::string& text);
std::string FromInt(int value);
