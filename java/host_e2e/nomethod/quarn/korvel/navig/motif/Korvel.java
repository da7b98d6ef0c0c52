package quarn.korvel.navig.motif;

/** The entry class with a start of the wrong signature. */
public final class Korvel {
    private Korvel() {
    }

    public static void start(int trace) {
        System.out.println("wrong start " + trace);
    }
}
