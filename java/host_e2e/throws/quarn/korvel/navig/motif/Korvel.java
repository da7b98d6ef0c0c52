package quarn.korvel.navig.motif;

/** start fails with an exception the host must report. */
public final class Korvel {
    private Korvel() {
    }

    public static void start(boolean trace) {
        throw new IllegalStateException("korvel e2e failure");
    }
}
