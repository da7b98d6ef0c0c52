// A shared object built against the platform's libm, as the Java runtime's native
// libraries are: its plain math calls must bind to the definitions of the process.
#include <cmath>

extern "C" {

using unary = double (*)(double);
using binary = double (*)(double, double);

// Addresses of every math function as this object's dynamic references resolve them,
// in the order of the names below.
extern const char* const client_function_names[] = {"acos", "asin", "atan", "atan2", "sin",  "cos",  "tan",  "exp",
                                              "log",  "pow",  "sqrt", "ceil",  "floor", "rint", "fmod", "remainder"};
void* client_function_address(int i) {
  void* const addresses[] = {
      reinterpret_cast<void*>(static_cast<unary>(&acos)),   reinterpret_cast<void*>(static_cast<unary>(&asin)),
      reinterpret_cast<void*>(static_cast<unary>(&atan)),   reinterpret_cast<void*>(static_cast<binary>(&atan2)),
      reinterpret_cast<void*>(static_cast<unary>(&sin)),    reinterpret_cast<void*>(static_cast<unary>(&cos)),
      reinterpret_cast<void*>(static_cast<unary>(&tan)),    reinterpret_cast<void*>(static_cast<unary>(&exp)),
      reinterpret_cast<void*>(static_cast<unary>(&log)),    reinterpret_cast<void*>(static_cast<binary>(&pow)),
      reinterpret_cast<void*>(static_cast<unary>(&sqrt)),   reinterpret_cast<void*>(static_cast<unary>(&ceil)),
      reinterpret_cast<void*>(static_cast<unary>(&floor)),  reinterpret_cast<void*>(static_cast<unary>(&rint)),
      reinterpret_cast<void*>(static_cast<binary>(&fmod)),  reinterpret_cast<void*>(static_cast<binary>(&remainder)),
  };
  return i >= 0 && i < 16 ? addresses[i] : nullptr;
}

double client_sqrt(double x) { return sqrt(x); }
double client_fmod(double x, double y) { return fmod(x, y); }
double client_floor(double x) { return floor(x); }
double client_sin(double x) { return sin(x); }
}
