package quarn.korvel.navig.motif;

/** start returns while a non-daemon thread still runs. */
public final class Korvel {
    private Korvel() {
    }

    public static void start(boolean trace) {
        Thread sleeper = new Thread(() -> {
            try {
                Thread.sleep(Long.MAX_VALUE);
            } catch (InterruptedException e) {
                Thread.currentThread().interrupt();
            }
        });
        sleeper.setDaemon(false);
        sleeper.start();
        System.out.println("returning with a live thread");
    }
}
