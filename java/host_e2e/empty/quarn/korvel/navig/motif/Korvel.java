package quarn.korvel.navig.motif;

/** Does nothing: whole-process start-up of java_vm against the java launcher. */
public final class Korvel {
    private Korvel() {
    }

    public static void start(boolean trace) {
    }

    public static void main(String[] args) {
    }
}
