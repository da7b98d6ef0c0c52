package quarn.korvel.navig.motif;

import java.util.ArrayList;
import java.util.List;

/**
 * Entry class of the native-library check: a JNI library built against the platform's math.h calls
 * each of the 16 math functions on known arguments. Inside java_vm every plain name must resolve
 * into the executable, and every result, errno and flag must be the math library's. Then 8 threads
 * repeat their own error cases at once: errno is per thread. Prints one summary line per function.
 */
public class Korvel {
    static native void call(int function, double x, double y, long[] out);

    static native String objectOf(int function);

    static native String executable();

    static native int[] flagBits();

    static native int[] errnoValues();

    static final String[] NAMES = {
        "acos", "asin", "atan", "atan2", "sin", "cos", "tan", "exp", "log", "pow",
        "sqrt", "ceil", "floor", "rint", "fmod", "remainder"
    };
    static final int ACOS = 0, ASIN = 1, ATAN = 2, ATAN2 = 3, SIN = 4, COS = 5, TAN = 6, EXP = 7,
            LOG = 8, POW = 9, SQRT = 10, CEIL = 11, FLOOR = 12, RINT = 13, FMOD = 14, REMAINDER = 15;

    static final double INF = Double.POSITIVE_INFINITY;
    static final double NAN = Double.NaN;
    static final double PI = 3.141592653589793;
    static final double MAX = Double.MAX_VALUE;

    static int edom;
    static int erange;
    static String[] flagNames = {"invalid", "divbyzero", "overflow", "underflow", "inexact"};
    static int[] flagValues;

    /** A call and what it must give; errno "D" or "R" for EDOM or ERANGE, "" for none. */
    record Case(int function, double x, double y, double expected, String errno, String flags) {}

    static final List<Case> CASES = new ArrayList<>();

    static void c(int f, double x, double expected) {
        CASES.add(new Case(f, x, 0.0, expected, "", ""));
    }

    static void c(int f, double x, double expected, String errno, String flags) {
        CASES.add(new Case(f, x, 0.0, expected, errno, flags));
    }

    static void c2(int f, double x, double y, double expected) {
        CASES.add(new Case(f, x, y, expected, "", ""));
    }

    static void c2(int f, double x, double y, double expected, String errno, String flags) {
        CASES.add(new Case(f, x, y, expected, errno, flags));
    }

    // Known results of the library's functions in the program's mode (ANSI): flags names may be
    // prefixed with "!" for "must not be raised". atan2's arguments are (y, x).
    static void fillCases() {
        c(ACOS, 1.0, 0.0);
        c(ACOS, -1.0, PI);
        c(ACOS, 0.0, 1.5707963267948966);
        c(ACOS, 1.0000000000000002, 0.0, "D", "invalid");
        c(ACOS, NAN, NAN, "", "");
        c(ASIN, 1.0, 1.5707963267948966);
        c(ASIN, -1.0, -1.5707963267948966);
        c(ASIN, INF, 0.0, "D", "invalid");
        c(ATAN, 0.0, 0.0, "", "!inexact");
        c(ATAN, -0.0, -0.0, "", "!inexact");
        c(ATAN, Double.MIN_VALUE, Double.MIN_VALUE, "", "inexact");
        c(ATAN, INF, 1.5707963267948966);
        c(ATAN, 1.0, 0.7853981633974483);
        c2(ATAN2, 0.0, -1.0, PI);
        c2(ATAN2, -0.0, -1.0, -PI);
        c2(ATAN2, -0.0, 1.0, -0.0);
        c2(ATAN2, INF, -INF, 2.356194490192345);
        c2(ATAN2, 1.0, -INF, PI);
        c2(ATAN2, -1.0, INF, -0.0);
        c2(ATAN2, Math.scalb(1.0, 1000), Math.scalb(1.0, -1000), 1.5707963267948966);
        c2(ATAN2, Math.scalb(1.0, -1000), -Math.scalb(1.0, 1000), PI);
        c2(ATAN2, 0.0, 0.0, 0.0, "D", "");
        c2(ATAN2, -0.0, -0.0, 0.0, "D", "");
        c(SIN, 0.0, 0.0, "", "!inexact");
        c(SIN, -0.0, -0.0, "", "!inexact");
        c(SIN, 1e-9, 1e-9, "", "inexact");
        c(SIN, 1e-05, 9.999999999833334e-06);
        c(SIN, 0.5, 0.479425538604203);
        c(SIN, 0.15625, 0.15561499277355603);
        c(SIN, 0.1953125, 0.1940731028929098);
        c(SIN, 0.7853981633974483, 0.7071067811865475);
        c(SIN, 0.7853981633974484, 0.7071067811865476);
        c(SIN, PI, 1.2246467991473532e-16);
        c(SIN, 1.5707963267948966, 1.0);
        c(SIN, 3.0, 0.1411200080598672);
        c(SIN, 1000000.0, -0.34999350217129294);
        c(SIN, 1e22, -0.8522008497671888);
        c(SIN, MAX, 0.004961954789184062);
        c(SIN, INF, NAN, "", "invalid");
        c(SIN, NAN, NAN, "", "!invalid");
        c(COS, 0.0, 1.0, "", "!inexact");
        c(COS, 1e-9, 1.0, "", "inexact");
        c(COS, 1e-05, 0.99999999995);
        c(COS, 0.5, 0.8775825618903728);
        c(COS, 0.15625, 0.9878177838164719);
        c(COS, 0.7853981633974483, 0.7071067811865476);
        c(COS, 0.7853981633974484, 0.7071067811865475);
        c(COS, PI, -1.0);
        c(COS, 1.5707963267948966, 6.123233995736766e-17);
        c(COS, 3.0, -0.9899924966004454);
        c(COS, 1000000.0, 0.9367521275331447);
        c(COS, 1e22, 0.523214785395139);
        c(COS, MAX, -0.9999876894265599);
        c(COS, -INF, NAN, "", "invalid");
        c(TAN, 0.0, 0.0, "", "!inexact");
        c(TAN, 1e-9, 1e-9, "", "inexact");
        c(TAN, 1e-05, 1.0000000000333334e-05);
        c(TAN, 0.5, 0.5463024898437905);
        c(TAN, 0.15625, 0.15753410732527162);
        c(TAN, 0.7853981633974483, 0.9999999999999999);
        c(TAN, 0.7853981633974484, 1.0000000000000002);
        c(TAN, PI, -1.2246467991473532e-16);
        c(TAN, 1.5707963267948966, 1.633123935319537e16);
        c(TAN, 3.0, -0.1425465430742778);
        c(TAN, 1000000.0, -0.373624453987599);
        c(TAN, 1e22, -1.6287782256068988);
        c(TAN, INF, NAN, "", "invalid");
        c(EXP, 1.0, 2.7182818284590455);
        c(EXP, -1.0, 0.36787944117144233);
        c(EXP, 0.5, 1.6487212707001282);
        c(EXP, Math.scalb(1.0, -30), 1.0000000009313226);
        c(EXP, Math.scalb(1.0, -20), 1.0000009536747712);
        c(EXP, -0.3465735902799727, 0.7071067811865475);
        c(EXP, 0.3465735902799727, 1.4142135623730951);
        c(EXP, 709.7827128933841, INF, "R", "overflow");
        c(EXP, -745.1332191019412, 0.0, "R", "underflow");
        c(EXP, -740.0, 4.2e-322);
        c(EXP, -INF, 0.0);
        c(EXP, INF, INF);
        c(LOG, 1.0, 0.0);
        c(LOG, 2.0, 0.6931471805599453);
        c(LOG, 10.0, 2.302585092994046);
        c(LOG, 0.5, -0.6931471805599453);
        c(LOG, Double.MIN_VALUE, -744.4400719213812);
        c(LOG, MAX, 709.782712893384);
        c(LOG, 23.5, 3.1570004211501135);
        c(LOG, 23.500000000000004, 3.1570004211501135);
        c(LOG, -0.0, -INF, "R", "divbyzero");
        c(LOG, -1.0, -INF, "D", "invalid");
        c(LOG, -INF, NAN, "", "");
        c2(POW, 2.0, 10.0, 1024.0);
        c2(POW, 10.0, -2.0, 0.01);
        c2(POW, 2.5, 3.5, 24.705294220065465);
        c2(POW, 1.1, 100.0, 13780.61233982238);
        c2(POW, 0.9, -100.0, 37648.61949599017);
        c2(POW, 2.0, 0.5, 1.4142135623730951);
        c2(POW, 9.0, 0.5, 3.0);
        c2(POW, -0.0, 0.5, 0.0);
        c2(POW, INF, 0.5, INF);
        c2(POW, -2.0, 3.0, -8.0);
        c2(POW, -2.0, 4.0, 16.0);
        c2(POW, -8.0, 1.0 / 3.0, NAN, "D", "invalid");
        c2(POW, -1.0, 3.0, -1.0);
        c2(POW, 2.0, 1023.0, 8.98846567431158e+307);
        c2(POW, 2.0, 1024.0, INF, "R", "overflow");
        c2(POW, 10.0, 308.0, 1e+308);
        c2(POW, 10.0, 309.0, INF, "R", "overflow");
        c2(POW, 0.5, 1074.0, Double.MIN_VALUE);
        c2(POW, 0.5, 1075.0, 0.0, "R", "underflow");
        c2(POW, 2.0, -1075.0, 0.0, "R", "underflow");
        c2(POW, 1.0, INF, NAN);
        c2(POW, 0.5, INF, 0.0);
        c2(POW, -INF, 3.0, -INF);
        c2(POW, -INF, -3.0, -0.0);
        c2(POW, 0.0, -1.0, -INF, "D", "divbyzero");
        c2(POW, 0.0, 0.0, 1.0, "", "");
        c2(POW, NAN, 0.0, NAN, "D", "");
        c2(POW, 7.0, 0.0, 1.0);
        c2(POW, 1e-310, 2.0, 0.0, "", "");
        c2(POW, 0.0, -INF, INF, "", "");
        c(SQRT, -0.0, -0.0);
        c(SQRT, 4.0, 2.0);
        c(SQRT, INF, INF);
        c(SQRT, -1.0, NAN, "D", "invalid");
        c(SQRT, NAN, NAN, "", "");
        c(CEIL, -0.5, -0.0);
        c(CEIL, 0.3, 1.0);
        c(CEIL, -1.7, -1.0);
        c(FLOOR, -0.3, -1.0);
        c(FLOOR, 0.5, 0.0);
        c(FLOOR, -0.0, -0.0);
        c(RINT, 0.5, 0.0);
        c(RINT, 1.5, 2.0);
        c(RINT, 2.5, 2.0);
        c(RINT, -0.5, -0.0);
        c2(FMOD, 5.5, 2.0, 1.5);
        c2(FMOD, -5.5, 2.0, -1.5);
        c2(FMOD, -6.0, 3.0, -0.0);
        c2(FMOD, 1.0, 0.0, NAN, "D", "invalid");
        c2(REMAINDER, 5.0, 2.0, 1.0);
        c2(REMAINDER, 7.0, 2.0, -1.0);
        c2(REMAINDER, -7.0, 2.0, 1.0);
        c2(REMAINDER, -6.0, 3.0, -0.0);
        c2(REMAINDER, -3.0, -0.0, NAN, "D", "invalid");
    }

    static int expectedErrno(String code) {
        return code.equals("D") ? edom : code.equals("R") ? erange : 0;
    }

    static int flag(String name) {
        for (int i = 0; i < flagNames.length; i++) {
            if (flagNames[i].equals(name)) {
                return flagValues[i];
            }
        }
        throw new IllegalArgumentException(name);
    }

    static boolean sameBits(double got, double want) {
        return Double.isNaN(want) ? Double.isNaN(got)
                : Double.doubleToRawLongBits(got) == Double.doubleToRawLongBits(want);
    }

    /** The mismatch of one case, or null. */
    static String check(Case k, long[] out) {
        call(k.function, k.x, k.y, out);
        double got = Double.longBitsToDouble(out[0]);
        StringBuilder problem = new StringBuilder();
        if (!sameBits(got, k.expected)) {
            problem.append(" result ").append(got).append(" expected ").append(k.expected);
        }
        if (out[1] != expectedErrno(k.errno)) {
            problem.append(" errno ").append(out[1]).append(" expected ").append(expectedErrno(k.errno));
        }
        for (String f : k.flags.isEmpty() ? new String[0] : k.flags.split(",")) {
            boolean forbidden = f.startsWith("!");
            boolean raised = (out[2] & flag(forbidden ? f.substring(1) : f)) != 0;
            if (raised == forbidden) {
                problem.append(forbidden ? " raised " : " did not raise ").append(f.replace("!", ""));
            }
        }
        if (problem.length() == 0) {
            return null;
        }
        return NAMES[k.function] + "(" + k.x + ", " + k.y + "):" + problem;
    }

    /** Each thread repeats its own error case, each followed by an error-free call. */
    record ThreadCase(Case error, Case clean) {}

    static int threadMismatches = 0;

    static synchronized void countThreadMismatch(String what) {
        if (threadMismatches++ < 10) {
            System.out.println("thread mismatch: " + what);
        }
    }

    static void runThreads(int repeats) throws InterruptedException {
        ThreadCase[] cases = {
            new ThreadCase(new Case(LOG, -1.0, 0.0, -INF, "D", "invalid"), new Case(SIN, 0.5, 0, 0.479425538604203, "", "")),
            new ThreadCase(new Case(EXP, 1000.0, 0.0, INF, "R", "overflow"), new Case(COS, 0.5, 0, 0.8775825618903728, "", "")),
            new ThreadCase(new Case(SQRT, -1.0, 0.0, NAN, "D", "invalid"), new Case(SQRT, 4.0, 0, 2.0, "", "")),
            new ThreadCase(new Case(POW, 0.0, -1.0, -INF, "D", "divbyzero"), new Case(POW, 2.0, 10.0, 1024.0, "", "")),
            new ThreadCase(new Case(ACOS, 2.0, 0.0, 0.0, "D", "invalid"), new Case(ATAN, 1.0, 0, 0.7853981633974483, "", "")),
            new ThreadCase(new Case(LOG, 0.0, 0.0, -INF, "R", "divbyzero"), new Case(LOG, 2.0, 0, 0.6931471805599453, "", "")),
            new ThreadCase(new Case(FMOD, 1.0, 0.0, NAN, "D", "invalid"), new Case(FMOD, 5.5, 2.0, 1.5, "", "")),
            new ThreadCase(new Case(EXP, -1000.0, 0.0, 0.0, "R", "underflow"), new Case(EXP, 1.0, 0, 2.7182818284590455, "", "")),
        };
        Thread[] threads = new Thread[cases.length];
        for (int t = 0; t < threads.length; t++) {
            ThreadCase tc = cases[t];
            threads[t] = new Thread(() -> {
                long[] out = new long[3];
                for (int i = 0; i < repeats; i++) {
                    String error = check(tc.error, out);
                    if (error != null) {
                        countThreadMismatch(error);
                    }
                    String clean = check(tc.clean, out);
                    if (clean != null) {
                        countThreadMismatch(clean);
                    }
                }
            });
        }
        for (Thread thread : threads) {
            thread.start();
        }
        for (Thread thread : threads) {
            thread.join();
        }
        System.out.println("threads: " + threads.length + " x " + repeats + " error cases, mismatches: "
                + threadMismatches);
    }

    public static void start(boolean trace) throws InterruptedException {
        System.load(System.getProperty("korvel.native.library"));
        flagValues = flagBits();
        int[] errnos = errnoValues();
        edom = errnos[0];
        erange = errnos[1];
        fillCases();
        String self = executable();
        long[] out = new long[3];
        for (int f = 0; f < NAMES.length; f++) {
            int cases = 0;
            int mismatches = 0;
            for (Case k : CASES) {
                if (k.function != f) {
                    continue;
                }
                cases++;
                String problem = check(k, out);
                if (problem != null) {
                    mismatches++;
                    System.out.println("mismatch: " + problem);
                }
            }
            String object = objectOf(f);
            String where = object.equals(self) ? "java_vm" : object;
            System.out.println(NAMES[f] + ": " + cases + " cases, mismatches: " + mismatches + ", bound to " + where);
        }
        runThreads(Integer.getInteger("korvel.thread.repeats", 100000));
    }
}
