package quarn.korvel.navig.motif;

/** start recurses until the stack runs out. */
public final class Korvel {
    private Korvel() {
    }

    private static long depth(long n) {
        return depth(n + 1) + 1;
    }

    public static void start(boolean trace) {
        System.out.println("depth " + depth(0));
    }
}
