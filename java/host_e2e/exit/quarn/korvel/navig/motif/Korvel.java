package quarn.korvel.navig.motif;

/** Ends the process with System.exit(korvel.exit) from inside start. */
public final class Korvel {
    private Korvel() {
    }

    public static void start(boolean trace) {
        System.out.println("exiting");
        System.exit(Integer.getInteger("korvel.exit", 0));
    }
}
