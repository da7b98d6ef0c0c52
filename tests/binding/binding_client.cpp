// A shared object built against the platform's libm, as the Java runtime's native
// libraries are: its plain math calls must bind to the definitions of the process.
#include <cmath>

extern "C" {

using unary = double (*)(double);
using binary = double (*)(double, double);

// Addresses as this object's dynamic references resolve them.
void* client_address_of_sqrt() { return reinterpret_cast<void*>(static_cast<unary>(&sqrt)); }
void* client_address_of_fmod() { return reinterpret_cast<void*>(static_cast<binary>(&fmod)); }
void* client_address_of_floor() { return reinterpret_cast<void*>(static_cast<unary>(&floor)); }

double client_sqrt(double x) { return sqrt(x); }
double client_fmod(double x, double y) { return fmod(x, y); }
double client_floor(double x) { return floor(x); }
}
