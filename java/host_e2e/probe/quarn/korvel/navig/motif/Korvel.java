package quarn.korvel.navig.motif;

import java.lang.management.ManagementFactory;

/** Reports what the VM host handed over, one "key=value" line each. */
public final class Korvel {
    private Korvel() {
    }

    public static void start(boolean trace) {
        System.out.println("trace=" + trace);
        System.out.println("classpath=" + System.getProperty("java.class.path"));
        System.out.println("probe=" + System.getProperty("korvel.probe"));
        System.out.println("maxMemory=" + Runtime.getRuntime().maxMemory());
        System.out.println("args=" + String.join("|", ManagementFactory.getRuntimeMXBean().getInputArguments()));
        System.out.println("version=" + System.getenv("JAVA_KORVEL_VERSION"));
        System.out.println("sqrt2=" + Math.sqrt(2.0));
    }
}
