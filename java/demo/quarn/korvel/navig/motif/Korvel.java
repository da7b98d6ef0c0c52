package quarn.korvel.navig.motif;

import java.lang.management.ManagementFactory;
import java.util.Properties;

/** Stand-in for the browser-side code: shows what the VM host handed over. */
public final class Korvel {
    private Korvel() {
    }

    public static void start(boolean trace) {
        System.out.println("Korvel demo started by java_vm");
        System.out.println("  trace flag:       " + trace);
        System.out.println("  class path:       " + System.getProperty("java.class.path"));
        System.out.println("  version variable: " + System.getenv("JAVA_KORVEL_VERSION"));
        Properties props = System.getProperties();
        for (String key : new String[] {"korvel.demo.greeting", "korvel.demo.home.page"}) {
            System.out.println("  property " + key + " = " + props.getProperty(key));
        }
        System.out.println("  maximum heap:     " + Runtime.getRuntime().maxMemory() / (1024 * 1024) + " MB");
        System.out.println("  VM arguments:");
        for (String arg : ManagementFactory.getRuntimeMXBean().getInputArguments()) {
            System.out.println("    " + arg + layerNote(arg));
        }
        System.out.println("Korvel demo returns; java_vm exits 0");
    }

    /** The abort hook java_vm's invocation layer hands the VM is no command-line option: say what it is. */
    private static String layerNote(String arg) {
        return arg.equals("abort") ? "   (java_vm's own hook: exit status 3 if the VM gives up while starting)" : "";
    }
}
