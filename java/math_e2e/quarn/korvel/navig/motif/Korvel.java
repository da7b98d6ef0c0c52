package quarn.korvel.navig.motif;

import java.math.BigDecimal;
import java.util.Random;

/**
 * Entry class for the end-to-end check of Java's floating remainder, which the VM computes with the
 * C library's fmod: inside java_vm that is our fmod. Each finite result is compared with the exact
 * remainder from BigDecimal (truncated division, sign of the dividend), special operands with the
 * language's rules. Prints one line per mismatch and a summary line.
 */
public class Korvel {
    private static int checked = 0;
    private static int failed = 0;

    private static void expect(double x, double y, double got, double want) {
        checked++;
        if (Double.doubleToRawLongBits(got) != Double.doubleToRawLongBits(want)
                && !(Double.isNaN(got) && Double.isNaN(want))) {
            failed++;
            System.out.println("mismatch: " + x + " % " + y + " = " + got + ", expected " + want);
        }
    }

    private static double exactRemainder(double x, double y) {
        double r = new BigDecimal(x).remainder(new BigDecimal(y)).doubleValue();
        return r == 0.0 ? Math.copySign(0.0, x) : r;
    }

    // Not a constant expression, so the compiler cannot fold it: the VM computes every remainder.
    private static double rem(double x, double y) {
        return x % y;
    }

    private static void check(double x, double y) {
        expect(x, y, rem(x, y), exactRemainder(x, y));
    }

    public static void start(boolean trace) {
        double[][] finite = {
            {5.5, 2}, {-5.5, 2}, {6, 3}, {-6, 3}, {5.5, -2}, {1e300, 7}, {-1e300, 3.25},
            {1.7976931348623157e308, 4.9e-324}, {1.7976931348623157e308, 1.5e-310},
            {1e-300, 3e-310}, {3.0, 1e-320}, {123456789.125, 0.001}, {0.3, 0.1}, {1, 3}
        };
        for (double[] c : finite) {
            check(c[0], c[1]);
        }
        Random random = new Random(20261208L);
        for (int i = 0; i < 2000; i++) {
            double x = Double.longBitsToDouble(random.nextLong() & 0x7fefffffffffffffL);
            double y = Double.longBitsToDouble(random.nextLong() & 0x7fefffffffffffffL);
            if (y == 0.0) {
                continue;
            }
            check(random.nextBoolean() ? x : -x, random.nextBoolean() ? y : -y);
        }
        double inf = Double.POSITIVE_INFINITY;
        expect(5, 0.0, rem(5, 0.0), Double.NaN);
        expect(inf, 2, rem(inf, 2), Double.NaN);
        expect(Double.NaN, 2, rem(Double.NaN, 2), Double.NaN);
        expect(5, inf, rem(5, inf), 5);
        expect(-5, -inf, rem(-5, -inf), -5);
        System.out.println("remainder checks: " + checked + ", mismatches: " + failed);
    }
}
